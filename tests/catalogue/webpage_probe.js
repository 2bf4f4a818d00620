// Drives the exported page inside headless Chromium for tst_webpage: types each search of
// window.SUCHEN, clicks the column headers, opens one film's details, and writes what the
// page showed as JSON into <pre id="ergebnis">, which --dump-dom prints.
var blocked = [];
document.addEventListener('securitypolicyviolation', function (e) { blocked.push(e.blockedURI); });
window.addEventListener('load', function () {
  var result = {};
  var box = document.getElementById('suche');
  function visible() {
    return Array.from(document.querySelectorAll('#filme tr')).filter(function (tr) { return !tr.hidden; })
      .map(function (tr) { return Number(tr.dataset.index); });
  }
  result.rows = visible().length;
  result.count = document.getElementById('anzahl').textContent;
  result.searches = window.SUCHEN.map(function (text) {
    box.value = text;
    box.dispatchEvent(new Event('input'));
    return visible().sort(function (a, b) { return a - b; });
  });
  box.value = '';
  box.dispatchEvent(new Event('input'));
  result.sorts = {};
  ['j', 'm', 't'].forEach(function (key) {
    var button = document.querySelector('th[data-spalte="' + key + '"] button');
    button.click();
    var up = visible();
    button.click();
    result.sorts[key] = [up, visible()];
  });
  result.cells = Array.from(document.querySelectorAll('#filme tr')).map(function (tr) {
    return [Number(tr.dataset.index), tr.cells.length].concat(Array.from(tr.cells).map(function (td) { return td.textContent; }));
  });
  result.scripts = document.scripts.length;
  result.ran = window.boese === 1;
  document.querySelector('#filme tr[data-index="0"]').click();
  var img = document.querySelector('#details img');
  function finish() {
    result.cover = img ? [img.getAttribute('src'), img.naturalWidth] : null;
    result.title = document.querySelector('#details h2').textContent;
    // Chromium times no file: loads, so every address the page holds counts, and what its
    // content security policy stopped.
    result.loaded = Array.from(document.querySelectorAll('[src], link[href]')).map(function (e) { return e.src || e.href; })
      .concat(performance.getEntriesByType('resource').map(function (e) { return e.name; }), blocked);
    var pre = document.createElement('pre');
    pre.id = 'ergebnis';
    pre.textContent = JSON.stringify(result).replace(/[<>&\u007f-\uffff]/g, function (c) {
      return '\\u' + ('000' + c.charCodeAt(0).toString(16)).slice(-4);
    });
    document.body.appendChild(pre);
  }
  if (img && !img.complete) {
    img.addEventListener('load', finish);
    img.addEventListener('error', finish);
  } else {
    finish();
  }
});
