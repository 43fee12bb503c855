// The report page: builds every part of the page from the JSON data element.
// Text from the data only ever goes through textContent and setAttribute, so
// names from user files show as text and can never become markup.
(function () {
  'use strict';
  var started = performance.now();
  var body = document.body;
  var data = JSON.parse(document.getElementById('report-data').textContent);
  var SVG = 'http://www.w3.org/2000/svg';

  var TYPES = {
    "5'MOTIF": { label: "5' motif", color: '#2b6cb0', shape: 'ellipse' },
    "3'MOTIF": { label: "3' motif", color: '#2f855a', shape: 'diamond' },
    PMOTIF: { label: 'protein motif', color: '#c05621', shape: 'triangle' },
    OTHER: { label: 'other', color: '#6b7280', shape: 'round-rectangle' }
  };
  var LETTER_COLORS = { A: '#2f9e44', C: '#1c63c8', G: '#f08c00', T: '#e03131' };

  function typeOf(type) { return TYPES[type] || TYPES.OTHER; }

  function el(tag, text, className) {
    var node = document.createElement(tag);
    if (text !== undefined && text !== null) node.textContent = String(text);
    if (className) node.setAttribute('class', className);
    return node;
  }

  function svgEl(tag, attrs) {
    var node = document.createElementNS(SVG, tag);
    Object.keys(attrs).forEach(function (key) { node.setAttribute(key, String(attrs[key])); });
    return node;
  }

  // Values as the files write them: inf, -inf and nan included.
  function toNumber(text) {
    if (text === undefined || text === null || text === '') return NaN;
    var t = String(text).trim().toLowerCase();
    if (t === 'inf' || t === '+inf') return Infinity;
    if (t === '-inf') return -Infinity;
    return Number(t);
  }

  function addFact(tbody, label, value) {
    var row = el('tr');
    row.appendChild(el('th', label));
    row.appendChild(el('td', value));
    tbody.appendChild(row);
  }

  function download(name, text, mime) {
    var blob = new Blob([text], { type: mime });
    var link = document.createElement('a');
    link.setAttribute('href', URL.createObjectURL(blob));
    link.setAttribute('download', name);
    document.body.appendChild(link);
    link.click();
    link.remove();
  }

  // ----- header and run summary
  document.title = data.title;
  document.getElementById('title').textContent = data.title;
  document.getElementById('date').textContent = data.date;

  // Names people know the elements by (-names): element -> [name, description].
  var NAMES = data.names || {};
  function knownName(element) {
    return Object.prototype.hasOwnProperty.call(NAMES, element) ? NAMES[element] : null;
  }
  // "PF00069 Protein kinase domain" where a name is known.
  function withName(element) {
    var known = knownName(element);
    return known ? element + ' ' + known[0] : element;
  }
  function nameFacts(element) {
    var known = knownName(element);
    var facts = [];
    if (known) {
      facts.push(['name', known[0]]);
      if (known[1] !== '') facts.push(['description', known[1]]);
    }
    return facts;
  }

  // Maps keyed by names from the files have no prototype, so an element
  // called "constructor" or "toString" is an element like any other.
  var typeOfName = Object.create(null);
  data.elements.forEach(function (e) {
    if (!(e[0] in typeOfName)) typeOfName[e[0]] = e[1];
  });
  var counts = document.querySelector('#counts tbody');
  addFact(counts, 'element pairs', data.pairs.length);
  var byType = Object.create(null);
  data.elements.forEach(function (e) { byType[e[1]] = (byType[e[1]] || 0) + 1; });
  Object.keys(byType).forEach(function (type) {
    addFact(counts, typeOf(type).label + ' elements', byType[type]);
  });
  addFact(counts, 'motif cards', data.motifs.length);
  if (Object.keys(NAMES).length > 0) addFact(counts, 'elements with a name', Object.keys(NAMES).length);
  var files = document.querySelector('#files tbody');
  data.files.forEach(function (f) {
    var row = el('tr');
    row.appendChild(el('td', f.option));
    row.appendChild(el('td', f.path));
    files.appendChild(row);
  });
  if (data.pairs.length === 0) document.getElementById('empty').hidden = false;

  // ----- network
  var nodeIndex = Object.create(null);
  var nodes = [];
  function nodeId(name) {
    if (!(name in nodeIndex)) {
      nodeIndex[name] = 'n' + nodes.length;
      var type = typeOfName[name] || 'OTHER';
      var known = knownName(name);
      nodes.push({ data: { id: nodeIndex[name], name: name, type: type,
        label: known ? known[0] : name } });
    }
    return nodeIndex[name];
  }
  var scores = data.pairs.map(function (p) { return toNumber(p[2]); }).filter(isFinite);
  var minScore = scores.length ? Math.min.apply(null, scores) : 0;
  var maxScore = scores.length ? Math.max.apply(null, scores) : 1;
  function edgeWidth(score) {
    if (!isFinite(score) || maxScore <= minScore) return 3;
    return 1.5 + 7 * (score - minScore) / (maxScore - minScore);
  }
  var edges = data.pairs.map(function (p, i) {
    return {
      data: {
        id: 'e' + i, source: nodeId(p[0]), target: nodeId(p[1]), a: p[0], b: p[1],
        score: p[2], robustness: p[3], zscore: p[4], fdr: p.length > 5 ? p[5] : '',
        width: edgeWidth(toNumber(p[2]))
      }
    };
  });

  var legend = document.getElementById('legend');
  Object.keys(TYPES).forEach(function (key) {
    var item = el('span', null, 'legend-item');
    var swatch = el('span', null, 'swatch');
    swatch.style.background = TYPES[key].color;
    item.appendChild(swatch);
    item.appendChild(document.createTextNode(TYPES[key].label));
    legend.appendChild(item);
  });

  var details = document.getElementById('details');
  function showDetails(title, facts) {
    details.textContent = '';
    details.appendChild(el('h3', title));
    var table = el('table', null, 'facts');
    var tbody = el('tbody');
    facts.forEach(function (f) { addFact(tbody, f[0], f[1]); });
    table.appendChild(tbody);
    details.appendChild(table);
  }
  function edgeFacts(d) {
    var facts = [['element A', withName(d.a)], ['element B', withName(d.b)]];
    if (data.hasFdr) facts.push(['FDR', d.fdr === '' ? '-' : d.fdr]);
    return facts.concat([['score (MI)', d.score], ['robustness', d.robustness], ['z-score', d.zscore]]);
  }

  var cy = null;
  if (typeof cytoscape === 'function' && nodes.length > 0) {
    cy = cytoscape({
      container: document.getElementById('network'),
      elements: { nodes: nodes, edges: edges },
      wheelSensitivity: 0.3,
      style: [
        {
          selector: 'node',
          style: {
            label: 'data(label)', 'font-size': 10, 'text-valign': 'bottom', 'text-margin-y': 3,
            width: 22, height: 22, 'background-color': '#6b7280', shape: 'round-rectangle',
            'text-wrap': 'ellipsis', 'text-max-width': 140, color: '#1d2430'
          }
        },
        {
          selector: 'edge',
          style: {
            width: 'data(width)', 'line-color': '#94a3b8', 'curve-style': 'bezier',
            'loop-direction': '-45deg', 'loop-sweep': '-60deg', opacity: 0.85
          }
        },
        { selector: ':selected', style: { 'line-color': '#d97706', 'border-width': 3, 'border-color': '#d97706' } }
      ].concat(Object.keys(TYPES).map(function (key) {
        return {
          selector: 'node[type = "' + key.replace(/"/g, '\\"') + '"]',
          style: { 'background-color': TYPES[key].color, shape: TYPES[key].shape }
        };
      }))
    });
    // A force-directed layout for networks a person can read; a fixed
    // arrangement for large ones keeps the page quick.
    var layout = nodes.length <= 150
      ? { name: 'cose', animate: false, randomize: false, numIter: 600, nodeDimensionsIncludeLabels: false }
      : { name: 'concentric', animate: false, minNodeSpacing: 8,
          concentric: function (n) { return n.degree(); }, levelWidth: function () { return 2; } };
    cy.layout(layout).run();
    cy.fit(undefined, 20);

    cy.on('tap', 'node', function (event) {
      var d = event.target.data();
      showDetails(d.name, nameFacts(d.name).concat(
        [['type', typeOf(d.type).label], ['pairs', event.target.degree(false)]]));
    });
    cy.on('tap', 'edge', function (event) {
      var d = event.target.data();
      showDetails(d.a + ' \u2013 ' + d.b, edgeFacts(d));
    });
    var tooltip = document.getElementById('tooltip');
    function showTooltip(event, text) {
      tooltip.textContent = text;
      var p = event.renderedPosition;
      var box = cy.container().getBoundingClientRect();
      tooltip.style.left = (box.left + p.x + 12) + 'px';
      tooltip.style.top = (box.top + p.y + 12) + 'px';
      tooltip.hidden = false;
    }
    cy.on('mouseover', 'edge', function (event) {
      var d = event.target.data();
      var lines = [withName(d.a) + ' \u2013 ' + withName(d.b)];
      if (data.hasFdr) lines.push('FDR ' + (d.fdr === '' ? '-' : d.fdr));
      showTooltip(event, lines.concat(['robustness ' + d.robustness, 'z-score ' + d.zscore]).join('\n'));
    });
    cy.on('mouseover', 'node', function (event) {
      var d = event.target.data();
      var known = knownName(d.name);
      var lines = [d.name];
      if (known) lines.push(known[0]);
      if (known && known[1] !== '') lines.push(known[1]);
      showTooltip(event, lines.join('\n'));
    });
    cy.on('mouseout', 'edge, node', function () { tooltip.hidden = true; });
    document.getElementById('fit').addEventListener('click', function () { cy.fit(undefined, 20); });
  }

  function cyjsText() {
    var positions = {};
    if (cy) cy.nodes().forEach(function (n) { positions[n.id()] = n.position(); });
    var doc = {
      format_version: '1.0',
      generated_by: 'Tavrin-report',
      target_cytoscapejs_version: '~2.1',
      data: { name: data.title, shared_name: data.title },
      elements: {
        nodes: nodes.map(function (n) {
          var p = positions[n.data.id] || { x: 0, y: 0 };
          var out = { id: n.data.id, name: n.data.name, shared_name: n.data.name, SequenceElementType: n.data.type };
          var known = knownName(n.data.name);
          if (known) {
            out.label = known[0];
            if (known[1] !== '') out.description = known[1];
          }
          return { data: out, position: { x: p.x, y: p.y } };
        }),
        edges: edges.map(function (e) {
          var d = e.data;
          var out = { id: d.id, source: d.source, target: d.target, interaction: 'TavrinSE',
            name: d.a + ' (TavrinSE) ' + d.b, shared_name: d.a + ' (TavrinSE) ' + d.b,
            MI: toNumber(d.score), Robustness: toNumber(d.robustness), Z_score: String(d.zscore) };
          if (data.hasFdr) out.FDR = d.fdr;
          return { data: out };
        })
      }
    };
    return JSON.stringify(doc, null, 1);
  }
  document.getElementById('download-cyjs').addEventListener('click', function () {
    download('network.cyjs', cyjsText(), 'application/json');
  });

  var networkDone = performance.now();

  // ----- pair table
  // `key` is the value's place in a data.pairs entry. The FDR, when there is
  // one, is the number to rank by, so it comes first.
  var columns = [{ label: 'element A', numeric: false, key: 0 }, { label: 'element B', numeric: false, key: 1 }];
  if (data.hasFdr) columns.push({ label: 'FDR', numeric: true, key: 5 });
  columns = columns.concat([{ label: 'score (MI)', numeric: true, key: 2 },
    { label: 'robustness', numeric: true, key: 3 }, { label: 'z-score', numeric: true, key: 4 }]);
  var headRow = document.querySelector('#pairs thead tr');
  var tbody = document.querySelector('#pairs tbody');
  function elementCell(element) {
    var td = el('td', element);
    var known = knownName(element);
    if (known) {
      td.appendChild(el('span', known[0], 'name'));
      if (known[1] !== '') td.setAttribute('title', known[1]);
    }
    return td;
  }
  function searchText(element) {
    var known = knownName(element);
    return known ? [element, known[0], known[1]].join('\u0000') : element;
  }
  var rows = data.pairs.map(function (p, i) {
    var tr = el('tr');
    columns.forEach(function (c) {
      if (!c.numeric) {
        tr.appendChild(elementCell(p[c.key]));
        return;
      }
      var value = c.key < p.length ? p[c.key] : '';
      tr.appendChild(el('td', value === '' ? '-' : value, 'num'));
    });
    return { tr: tr, pair: p, index: i,
      text: (searchText(p[0]) + '\u0000' + searchText(p[1])).toLowerCase() };
  });
  var fragment = document.createDocumentFragment();
  rows.forEach(function (r) { fragment.appendChild(r.tr); });
  tbody.appendChild(fragment);

  var sortColumn = -1;
  var sortDirection = 1;
  function sortBy(k) {
    if (sortColumn === k) {
      sortDirection = -sortDirection;
    } else {
      sortColumn = k;
      sortDirection = 1;
    }
    var numeric = columns[k].numeric;
    var key = columns[k].key;
    var order = rows.slice().sort(function (x, y) {
      var a = x.pair[key] === undefined ? '' : x.pair[key];
      var b = y.pair[key] === undefined ? '' : y.pair[key];
      var c = 0;
      if (numeric) {
        var u = toNumber(a), v = toNumber(b);
        // Unreadable values (nan, missing) go last in either direction.
        if (isNaN(u) || isNaN(v)) return (isNaN(u) ? 1 : 0) - (isNaN(v) ? 1 : 0) || x.index - y.index;
        c = u < v ? -1 : u > v ? 1 : 0;
      } else {
        c = a < b ? -1 : a > b ? 1 : 0;
      }
      return c * sortDirection || x.index - y.index;
    });
    var f = document.createDocumentFragment();
    order.forEach(function (r) { f.appendChild(r.tr); });
    tbody.appendChild(f);
    Array.prototype.forEach.call(headRow.children, function (th, i) {
      if (i === k) th.setAttribute('aria-sort', sortDirection > 0 ? 'ascending' : 'descending');
      else th.removeAttribute('aria-sort');
    });
  }
  columns.forEach(function (c, k) {
    var th = el('th', c.label);
    th.setAttribute('title', 'Sort by ' + c.label);
    th.addEventListener('click', function () { sortBy(k); });
    headRow.appendChild(th);
  });
  var shown = document.getElementById('shown');
  function applyFilter() {
    var needle = document.getElementById('filter').value.trim().toLowerCase();
    var count = 0;
    rows.forEach(function (r) {
      var visible = needle === '' || r.text.indexOf(needle) >= 0;
      r.tr.hidden = !visible;
      if (visible) count += 1;
    });
    shown.textContent = count + ' of ' + rows.length + ' pairs shown';
  }
  document.getElementById('filter').addEventListener('input', applyFilter);
  // Ranked by FDR from the start: the other two numbers are optimistic.
  if (data.hasFdr) sortBy(2);
  applyFilter();

  // What each number means, one line each, beside the table.
  var notes = document.getElementById('pair-notes');
  function note(term, text, className) {
    var item = el('li', null, className);
    item.appendChild(el('strong', term));
    item.appendChild(document.createTextNode(' ' + text));
    notes.appendChild(item);
  }
  if (data.hasFdr) {
    note('FDR:', 'estimated false discovery rate from null replicates in which the network\u2019s ' +
      'node labels were permuted at random (its shape kept): the share of pairs at least this ' +
      'strong expected to be chance. The table is ranked by it.');
  }
  note('score (MI):', 'mutual information of the pair across the interactions.');
  note('robustness:', 'in how many jack-knife trials the pair stayed significant.');
  note('z-score:', 'the score against re-paired networks that keep every gene\u2019s degree.');
  if (data.hasFdr) {
    note('Caution:', 'z-score and robustness both come from the degree-keeping randomisation and ' +
      'are optimistic on clustered networks (a pair with no signal at all on a real network ' +
      'shape can get z 20\u201390 and robustness 10 of 10), so rank by FDR.', 'caution');
  } else {
    note('Caution:', 'no calibration table was given, and the z-score and robustness alone ' +
      'overstate significance on clustered networks. The workflow\u2019s calibration step ' +
      '(null replicates with permuted node labels) gives each pair an FDR; pass its table ' +
      'with -calibration.', 'caution');
  }

  var tableDone = performance.now();

  // ----- motif cards
  var COLUMN_WIDTH = 18;
  var LOGO_HEIGHT = 70;
  // A logo row of `logo` columns starting at grid column `start` of a grid of
  // `width` columns; letter heights are in bits, `maxBits` fills the height.
  function drawLogo(logo, start, width, maxBits, label) {
    var left = 24;
    var svg = svgEl('svg', {
      class: 'logo', width: left + width * COLUMN_WIDTH + 4, height: LOGO_HEIGHT + 16,
      viewBox: '0 0 ' + (left + width * COLUMN_WIDTH + 4) + ' ' + (LOGO_HEIGHT + 16), role: 'img'
    });
    var title = svgEl('title', {});
    title.textContent = label;
    svg.appendChild(title);
    var scale = LOGO_HEIGHT / maxBits;
    svg.appendChild(svgEl('line', { x1: left - 3, y1: 2, x2: left - 3, y2: LOGO_HEIGHT + 2, stroke: '#9aa8b9' }));
    [0, maxBits].forEach(function (bits) {
      var t = svgEl('text', { x: left - 6, y: LOGO_HEIGHT + 2 - bits * scale + 4, 'font-size': 9,
        'text-anchor': 'end', fill: '#5b6675' });
      t.textContent = String(Math.round(bits * 10) / 10);
      svg.appendChild(t);
    });
    var bitsLabel = svgEl('text', { x: 2, y: LOGO_HEIGHT / 2, 'font-size': 9, fill: '#5b6675' });
    bitsLabel.textContent = 'bits';
    svg.appendChild(bitsLabel);
    logo.forEach(function (column, i) {
      var x = left + (start + i) * COLUMN_WIDTH;
      var y = LOGO_HEIGHT + 2;
      column.forEach(function (entry) {
        var h = entry[1] * scale;
        if (h < 0.3) return;
        // A capital letter of font size 100 is about 72 units tall from its
        // baseline; the text is stretched to the box of its height.
        var glyph = svgEl('text', {
          x: 0, y: 0, 'font-size': 100, 'font-family': 'Arial, Helvetica, sans-serif', 'font-weight': 700,
          textLength: 64, lengthAdjust: 'spacingAndGlyphs',
          fill: LETTER_COLORS[entry[0]] || '#374151',
          transform: 'translate(' + (x + 1) + ',' + y + ') scale(' + ((COLUMN_WIDTH - 2) / 64) + ',' + (h / 72) + ')'
        });
        glyph.textContent = entry[0];
        svg.appendChild(glyph);
        y -= h;
      });
      var tick = svgEl('text', { x: x + COLUMN_WIDTH / 2, y: LOGO_HEIGHT + 13, 'font-size': 8,
        'text-anchor': 'middle', fill: '#9aa8b9' });
      tick.textContent = String(start + i + 1);
      svg.appendChild(tick);
    });
    return svg;
  }

  // Logos are drawn when their card comes near the view: hundreds of cards
  // would otherwise hold the page back before it can be used.
  function drawCardLogos(entry) {
    var m = entry.motif;
    var start = 0;
    var width = m.logo.length;
    var closest = m.closest;
    if (closest && closest.logo) {
      start = Math.max(0, -closest.start);
      width = Math.max(start + m.logo.length, start + closest.start + closest.logo.length);
    }
    entry.scroll.appendChild(drawLogo(m.logo, start, width, entry.maxBits, 'Logo of ' + m.name));
    if (closest && closest.logo) {
      entry.scroll.appendChild(el('p', 'Closest known matrix ' + closest.name +
        (closest.strand === '-' ? ' (opposite strand)' : ''), 'logo-label'));
      entry.scroll.appendChild(drawLogo(closest.logo, start + closest.start, width, 2, 'Logo of ' + closest.name));
    }
  }
  var pendingLogos = [];
  var cards = document.getElementById('cards');
  var cardFragment = document.createDocumentFragment();
  data.motifs.forEach(function (m) {
    var card = el('article', null, 'card');
    card.appendChild(el('h3', m.name));
    var known = knownName(m.name);
    if (known) {
      card.appendChild(el('p', known[0], 'card-name'));
      if (known[1] !== '') card.appendChild(el('p', known[1], 'hint'));
    }
    var badge = el('span', typeOf(m.type).label, 'badge');
    badge.style.background = typeOf(m.type).color;
    card.appendChild(badge);
    var maxBits = m.type === 'PMOTIF' ? Math.log2(20) : 2;
    var facts = el('table', null, 'facts');
    var factBody = el('tbody');
    facts.appendChild(factBody);
    var scroll = el('div', null, 'logo-scroll');
    scroll.appendChild(el('p', m.fromSites ? 'Logo from ' + m.sites + ' sites' : 'Logo from the motif text', 'logo-label'));
    card.appendChild(scroll);
    pendingLogos.push({ card: card, scroll: scroll, motif: m, maxBits: maxBits });
    if (m.sites !== undefined) addFact(factBody, 'sites', m.sites + ' in ' + m.sequences + ' sequences');
    if (m.genes !== undefined) addFact(factBody, 'genes (SE file)', m.genes);
    if (m.closest) {
      addFact(factBody, 'closest known matrix', m.closest.name === '' ? '(unnamed)' : m.closest.name);
      addFact(factBody, 'Simvale score', m.closest.score);
    } else if (m.type !== 'PMOTIF') {
      addFact(factBody, 'closest known matrix', '-');
    }
    if (m.conservation !== undefined) addFact(factBody, 'conservation', m.conservation);
    card.appendChild(facts);
    cardFragment.appendChild(card);
  });
  cards.appendChild(cardFragment);
  if ('IntersectionObserver' in window) {
    var byCard = new Map();
    var observer = new IntersectionObserver(function (seen) {
      seen.forEach(function (item) {
        if (!item.isIntersecting || !byCard.has(item.target)) return;
        drawCardLogos(byCard.get(item.target));
        byCard.delete(item.target);
        observer.unobserve(item.target);
      });
    }, { rootMargin: '600px 0px' });
    pendingLogos.forEach(function (entry) {
      byCard.set(entry.card, entry);
      observer.observe(entry.card);
    });
  } else {
    pendingLogos.forEach(drawCardLogos);
  }
  if (data.motifs.length === 0) cards.appendChild(el('p', 'No motif in this network.', 'hint'));

  // Elements that are not motif texts (domains, accessions): one table.
  var others = data.others || [];
  if (others.length > 0) {
    document.getElementById('others-section').hidden = false;
    var otherBody = document.querySelector('#others tbody');
    var otherFragment = document.createDocumentFragment();
    others.forEach(function (o) {
      var known = knownName(o[0]);
      var tr = el('tr');
      tr.appendChild(el('td', o[0]));
      tr.appendChild(el('td', typeOf(o[1]).label));
      tr.appendChild(el('td', known ? known[0] : '-'));
      tr.appendChild(el('td', known ? known[1] : ''));
      otherFragment.appendChild(tr);
    });
    otherBody.appendChild(otherFragment);
  }

  // MEME text of the nucleotide motifs: probabilities from the count rows.
  function memeText() {
    var lines = ['MEME version 4', '', 'ALPHABET= ACGT', '', 'strands: + -', '',
      'Background letter frequencies', 'A 0.25 C 0.25 G 0.25 T 0.25', ''];
    data.motifs.forEach(function (m) {
      if (!m.counts) return;
      var width = m.counts[0].length;
      var nsites = 0;
      for (var i = 0; i < width; i += 1) {
        nsites = Math.max(nsites, m.counts[0][i] + m.counts[1][i] + m.counts[2][i] + m.counts[3][i]);
      }
      var known = knownName(m.name);
      lines.push('MOTIF ' + m.name.replace(/\s+/g, '_') + (known ? ' ' + known[0].replace(/\s+/g, '_') : ''));
      lines.push('letter-probability matrix: alength= 4 w= ' + width + ' nsites= ' +
        (m.fromSites ? m.sites : nsites) + ' E= 0');
      for (var j = 0; j < width; j += 1) {
        var total = m.counts[0][j] + m.counts[1][j] + m.counts[2][j] + m.counts[3][j];
        var row = [0, 1, 2, 3].map(function (b) {
          return (total > 0 ? m.counts[b][j] / total : 0.25).toFixed(6);
        });
        lines.push(' ' + row.join(' '));
      }
      lines.push('');
    });
    return lines.join('\n') + '\n';
  }
  document.getElementById('download-meme').addEventListener('click', function () {
    download('motifs.meme', memeText(), 'text/plain');
  });

  body.setAttribute('data-nodes', String(cy ? cy.nodes().length : 0));
  body.setAttribute('data-edges', String(cy ? cy.edges().length : 0));
  body.setAttribute('data-cards', String(cards.querySelectorAll('.card').length));
  body.setAttribute('data-rows', String(tbody.children.length));
  body.setAttribute('data-others', String(document.querySelectorAll('#others tbody tr').length));
  body.setAttribute('data-phases-ms', [networkDone - started, tableDone - networkDone,
    performance.now() - tableDone].map(Math.round).join(','));
  body.setAttribute('data-script-ms', String(Math.round(performance.now() - started)));
  body.setAttribute('data-ready-ms', String(Math.round(performance.now())));
  // The browser test opens the page with #selftest to check the two downloads.
  if (location.hash === '#selftest') {
    var cyjs = JSON.parse(cyjsText());
    body.setAttribute('data-cyjs', cyjs.elements.nodes.length + ',' + cyjs.elements.edges.length);
    body.setAttribute('data-meme-motifs', String((memeText().match(/^MOTIF /gm) || []).length));
    // The filter finds pairs by the name of the first named element.
    var named = data.elements.filter(function (e) { return knownName(e[0]); });
    if (named.length > 0) {
      var filter = document.getElementById('filter');
      filter.value = knownName(named[0][0])[0];
      applyFilter();
      body.setAttribute('data-filter-name', String(rows.filter(function (r) { return !r.tr.hidden; }).length));
      filter.value = '';
      applyFilter();
    }
  }
  body.setAttribute('data-ready', '1');
})();
